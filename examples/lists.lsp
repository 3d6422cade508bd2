(define length
  (lambda (items)
    (if (null? items)
        0
        (+ 1 (length (cdr items))))))

(define append
  (lambda (front back)
    (if (null? front)
        back
        (cons (car front) (append (cdr front) back)))))

(define reverse
  (lambda (items)
    (if (null? items)
        ()
        (append (reverse (cdr items)) (list (car items))))))

(define map
  (lambda (f items)
    (if (null? items)
        ()
        (cons (f (car items)) (map f (cdr items))))))

(define filter
  (lambda (keep? items)
    (cond ((null? items) ())
          ((keep? (car items)) (cons (car items) (filter keep? (cdr items))))
          (1 (filter keep? (cdr items))))))

(define fold
  (lambda (combine start items)
    (if (null? items)
        start
        (fold combine (combine start (car items)) (cdr items)))))

(define square (lambda (n) (* n n)))
(define even? (lambda (n) (= n (* 2 (/ n 2)))))
(define add (lambda (a b) (+ a b)))
(define count-items (lambda (items) (length items)))

(define numbers '(1 2 3 4 5 6 7 8 9 10))

(spy (length numbers))
(spy (reverse numbers))
(spy (append numbers (list 11 12)))
(spy (map square numbers))
(spy (filter even? numbers))
(spy (fold add 0 numbers))
(spy (map count-items '((a b c) (d) () (e f))))
(fold add 0 (map square (filter even? numbers)))
