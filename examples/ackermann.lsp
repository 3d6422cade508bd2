(define ackermann
  (lambda (m n)
    (cond ((= m 0) (+ n 1))
          ((= n 0) (ackermann (- m 1) 1))
          (1 (ackermann (- m 1) (ackermann m (- n 1)))))))

(define ackermann-row
  (lambda (m n last)
    (if (> n last)
        ()
        (cons (ackermann m n) (ackermann-row m (+ n 1) last)))))

(spy (ackermann-row 0 0 4))
(spy (ackermann-row 1 0 4))
(spy (ackermann-row 2 0 4))
(spy (ackermann-row 3 0 4))
(ackermann 3 5)
