(define append
  (lambda (front back)
    (if (null? front)
        back
        (cons (car front) (append (cdr front) back)))))

(define length
  (lambda (items)
    (if (null? items)
        0
        (+ 1 (length (cdr items))))))

(define hanoi
  (lambda (disks from to spare)
    (if (= disks 0)
        ()
        (append (hanoi (- disks 1) from spare to)
                (cons (cons from to)
                      (hanoi (- disks 1) spare to from))))))

(spy (hanoi 1 'left 'right 'middle))
(spy (hanoi 2 'left 'right 'middle))
(spy (hanoi 3 'left 'right 'middle))
(spy (car (hanoi 3 'left 'right 'middle)))
(spy (car (car (hanoi 3 'left 'right 'middle))))
(spy (cdr (car (hanoi 3 'left 'right 'middle))))
(length (hanoi 10 'left 'right 'middle))
