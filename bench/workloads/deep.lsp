(define c (lambda (n) (if (= n 0) 0 (+ 1 (c (- n 1))))))
(c 1000000)
