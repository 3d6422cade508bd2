local function c(n)
  if n == 0 then return 0 end
  return 1 + c(n - 1)
end
print(c(1000000))
