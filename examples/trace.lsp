(define remainder
  (lambda (a b)
    (- a (* b (/ a b)))))

(define gcd
  (lambda (a b)
    (spy (list a b))
    (if (= b 0)
        a
        (gcd b (remainder a b)))))

(define factorial
  (lambda (n)
    (spy (if (= n 0)
             1
             (* n (factorial (- n 1)))))))

(spy "gcd of 1071 and 462")
(spy (gcd 1071 462))
(spy "factorial of 5, innermost call first")
(spy (factorial 5))
(spy "arguments are evaluated from left to right")
(spy (+ (spy (* 2 3)) (spy (* 4 5))))
(spy "cond stops at the first true test")
(cond ((spy (= 1 2)) "first")
      ((spy (= 2 2)) "second")
      ((spy (= 3 3)) "third"))
