(define tak
  (lambda (x y z)
    (if (<= x y)
        z
        (tak (tak (- x 1) y z)
             (tak (- y 1) z x)
             (tak (- z 1) x y)))))

(spy (tak 6 4 2))
(spy (tak 9 6 3))
(spy (tak 12 8 4))
(tak 18 12 6)
