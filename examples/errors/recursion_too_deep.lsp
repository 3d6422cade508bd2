(define sum-down-to-zero
  (lambda (n)
    (if (= n 0)
        0
        (+ n (sum-down-to-zero (- n 1))))))

(spy (sum-down-to-zero 10))
(sum-down-to-zero (- 1))
