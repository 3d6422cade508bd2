(define factorial
  (lambda (n)
    (if (= n 0)
        1
        (* n (factorial (- n 1))))))

(define factorial-by-steps
  (lambda (n)
    (define multiply-down
      (lambda (k product)
        (if (= k 0)
            product
            (multiply-down (- k 1) (* product k)))))
    (multiply-down n 1)))

(define show-factorials
  (lambda (n last)
    (spy (list n (factorial n)))
    (if (= n last)
        (factorial-by-steps last)
        (show-factorials (+ n 1) last))))

(show-factorials 0 13)
