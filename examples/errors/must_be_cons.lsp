(define sign
  (lambda (n)
    (cond ((< n 0) (- 1))
          ((> n 0) 1)
          0)))

(spy (sign 7))
(sign 0)
