(define c (lambda (n) (if (= n 0) 0 (+ 1 (c (- n 1))))))
(display (c 1000000))
(newline)
