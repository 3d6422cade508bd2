(define first-of
  (lambda (items)
    (car items)))

(spy (first-of '(1 2 3)))
(first-of (1 2 3))
