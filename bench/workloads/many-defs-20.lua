local function f1(x) return x + 1 end
local function f2(x) return x + 2 end
local function f3(x) return x + 3 end
local function f4(x) return x + 4 end
local function f5(x) return x + 5 end
local function f6(x) return x + 6 end
local function f7(x) return x + 7 end
local function f8(x) return x + 8 end
local function f9(x) return x + 9 end
local function f10(x) return x + 10 end
local function f11(x) return x + 11 end
local function f12(x) return x + 12 end
local function f13(x) return x + 13 end
local function f14(x) return x + 14 end
local function f15(x) return x + 15 end
local function f16(x) return x + 16 end
local function f17(x) return x + 17 end
local function f18(x) return x + 18 end
local function f19(x) return x + 19 end
local function f20(x) return x + 20 end
local function loop(k, acc)
  if k == 0 then return acc end
  return loop(k - 1, f20(f19(f18(acc))))
end
local function rounds(r, acc)
  if r == 0 then return acc end
  return rounds(r - 1, loop(1000, acc))
end
print(rounds(1000, 0))
