(define area
  (lambda (width height)
    (* width height)))

(spy (area 3 4))
(area 3)
