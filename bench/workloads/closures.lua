-- A list is nil (empty) or a pair {head, tail}.
local function make_adder(n) return function(x) return x + n end end
local function compose(f, g) return function(x) return f(g(x)) end end
local function twice(f) return function(x) return f(f(x)) end end
local function map1(f, l)
  if l == nil then return nil end
  return {f(l[1]), map1(f, l[2])}
end
local function sum(l)
  if l == nil then return 0 end
  return l[1] + sum(l[2])
end
local function iota(n)
  if n == 0 then return nil end
  return {n, iota(n - 1)}
end
local function step(k, l)
  return compose(make_adder(k), twice(make_adder(1)))(k) + sum(map1(make_adder(k), l))
end
local function repeat_(k, l, acc)
  if k == 0 then return acc end
  return repeat_(k - 1, l, acc + step(k, l))
end
print(repeat_(5000, iota(100), 0))
