(define make-adder
  (lambda (amount)
    (lambda (n) (+ n amount))))

(define compose
  (lambda (outer inner)
    (lambda (x) (outer (inner x)))))

(define twice
  (lambda (f)
    (lambda (x) (f (f x)))))

(define add-five (make-adder 5))
(define add-ten (make-adder 10))
(define double (lambda (n) (* n 2)))
(define square (lambda (n) (* n n)))

(spy (add-five 1))
(spy (add-ten 1))
(spy ((compose square add-five) 2))
(spy ((compose add-five square) 2))
(spy ((twice double) 3))
(spy ((twice add-ten) 0))
(define add-twenty (twice add-ten))
(spy (add-twenty 22))

(define rate 2)
(define scale (lambda (n) (* n rate)))
(define rate 3)
(spy (list (scale 10) rate))

add-five
