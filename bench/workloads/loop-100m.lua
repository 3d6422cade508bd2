local function loop(i, acc)
  if i == 0 then return acc end
  return loop(i - 1, acc + 1)
end
print(loop(100000000, 0))
