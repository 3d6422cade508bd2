(define square
  (lambda (n)
    (* n n))

(square 4)
