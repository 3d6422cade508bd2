(define average
  (lambda (sum count)
    (/ sum count)))

(spy (average 10 4))
(average 10 0)
