(define insert
  (lambda (item sorted)
    (cond ((null? sorted) (list item))
          ((<= item (car sorted)) (cons item sorted))
          (1 (cons (car sorted) (insert item (cdr sorted)))))))

(define insertion-sort
  (lambda (items)
    (if (null? items)
        ()
        (insert (car items) (insertion-sort (cdr items))))))

(define filter
  (lambda (keep? items)
    (cond ((null? items) ())
          ((keep? (car items)) (cons (car items) (filter keep? (cdr items))))
          (1 (filter keep? (cdr items))))))

(define append
  (lambda (front back)
    (if (null? front)
        back
        (cons (car front) (append (cdr front) back)))))

(define quicksort
  (lambda (items)
    (if (null? items)
        ()
        (append (quicksort (filter (lambda (n) (< n (car items))) (cdr items)))
                (cons (car items)
                      (quicksort (filter (lambda (n) (>= n (car items))) (cdr items))))))))

(define unsorted (list 31 4 15 9 26 5 35 8 97 9 32 (- 3) 84 62 6))

(spy unsorted)
(spy (insertion-sort unsorted))
(quicksort unsorted)
