(define loop (lambda (i acc) (if (= i 0) acc (loop (- i 1) (+ acc 1)))))
(display (loop 100000000 0))
(newline)
