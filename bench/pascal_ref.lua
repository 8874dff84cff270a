-- The loops of pascal_bench.cpp in Lua 5.4, for comparison: lua5.4 bench/pascal_ref.lua
local function time(name, f, runs)
  local best = math.huge
  local result
  for _ = 1, runs do
    local t = os.clock()
    result = f()
    best = math.min(best, os.clock() - t)
  end
  print(string.format("%-22s %9.3f ms  (%s)", name, best * 1000, tostring(result)))
end

time("IntegerAdditions1e6", function()
  local s = 0
  for i = 1, 1000000 do s = s + i end
  return s
end, 10)

time("StringAppends1e5", function()
  local s = ""
  for _ = 1, 100000 do s = s .. "x" end
  return #s
end, 5)

local function fib(n) if n < 2 then return n else return fib(n - 1) + fib(n - 2) end end
time("Fib25", function() return fib(25) end, 5)
