(define fibonacci
  (lambda (n)
    (if (< n 2)
        n
        (+ (fibonacci (- n 1)) (fibonacci (- n 2))))))

(define fast-fibonacci
  (lambda (n)
    (define step
      (lambda (k current next)
        (if (= k 0)
            current
            (step (- k 1) next (+ current next)))))
    (step n 0 1)))

(define fibonacci-numbers
  (lambda (k last)
    (if (> k last)
        ()
        (cons (fibonacci k) (fibonacci-numbers (+ k 1) last)))))

(spy (fibonacci-numbers 0 15))
(spy (fibonacci 20))
(spy (fast-fibonacci 20))
(spy (fast-fibonacci 46))
(fast-fibonacci 47)
