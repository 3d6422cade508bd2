(define greet
  (lambda (name)
    (list "hello" nmae)))

(greet "world")
