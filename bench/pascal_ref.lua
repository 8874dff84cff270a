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

-- The bubble sort of pascal_bench.cpp: 2,000 integers from the same linear congruential sequence.
time("BubbleSort2000", function()
  local a = {}
  local seed = 12345
  for i = 0, 1999 do
    seed = (seed * 1103515245 + 12345) % 2147483648
    a[i] = seed % 100000
  end
  for i = 1999, 1, -1 do
    for j = 0, i - 1 do
      if a[j] > a[j + 1] then a[j], a[j + 1] = a[j + 1], a[j] end
    end
  end
  return a[0] .. "," .. a[1000] .. "," .. a[1999]
end, 5)
