-- A list is nil (empty) or a pair {head, tail}.
local function build(n)
  if n == 0 then return nil end
  return {n, build(n - 1)}
end
local function rev(l, acc)
  if l == nil then return acc end
  return rev(l[2], {l[1], acc})
end
local function sum(l)
  if l == nil then return 0 end
  return l[1] + sum(l[2])
end
local function double_all(l)
  if l == nil then return nil end
  return {2 * l[1], double_all(l[2])}
end
local function one_round(n)
  return sum(double_all(rev(build(n), nil)))
end
local function repeat_(k, acc)
  if k == 0 then return acc end
  return repeat_(k - 1, acc + one_round(3000))
end
print(repeat_(200, 0))
