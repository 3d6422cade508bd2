(define total
  (lambda (numbers)
    (if (null? numbers)
        0
        (+ (car numbers) (total (cdr numbers))))))

(spy (total (list 1 2 3)))
(total (list 1 2 "three"))
