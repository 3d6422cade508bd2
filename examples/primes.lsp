(define divides?
  (lambda (d n)
    (= n (* d (/ n d)))))

(define has-divisor-from?
  (lambda (d n)
    (cond ((> (* d d) n) 0)
          ((divides? d n) 1)
          (1 (has-divisor-from? (+ d 1) n)))))

(define prime?
  (lambda (n)
    (if (< n 2)
        0
        (= (has-divisor-from? 2 n) 0))))

(define primes-between
  (lambda (low high)
    (cond ((> low high) ())
          ((prime? low) (cons low (primes-between (+ low 1) high)))
          (1 (primes-between (+ low 1) high)))))

(define count-primes-between
  (lambda (low high)
    (cond ((> low high) 0)
          ((prime? low) (+ 1 (count-primes-between (+ low 1) high)))
          (1 (count-primes-between (+ low 1) high)))))

(spy (primes-between 1 100))
(spy (list (prime? 7919) (prime? 7917)))
(spy (list (prime? 91) (prime? 97)))
(count-primes-between 1 1000)
