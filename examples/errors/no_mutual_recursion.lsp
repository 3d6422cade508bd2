(define even-number?
  (lambda (n)
    (if (= n 0) 1 (odd-number? (- n 1)))))

(define odd-number?
  (lambda (n)
    (if (= n 0) 0 (even-number? (- n 1)))))

(spy (even-number? 0))
(even-number? 3)
