// while, repeat and for loops with Break and Continue: digit sums, Collatz steps, a times table.
function DigitSum(n: Integer): Integer;
begin
  Result := 0;
  repeat
    Result := Result + n mod 10;
    n := n div 10;
  until n = 0;
end;

function CollatzSteps(n: Int64): Integer;
begin
  Result := 0;
  while n <> 1 do
  begin
    if Odd(n) then n := 3 * n + 1 else n := n div 2;
    Inc(Result);
  end;
end;

var
  i, j: Integer;
  s: string;
begin
  s := IntToStr(DigitSum(98765)) + ' ' + IntToStr(CollatzSteps(27)) + ' ' +
    IntToStr(CollatzSteps(1)) + nl;
  for i := 1 to 20 do
  begin
    if i mod 3 = 0 then Continue;
    if i > 14 then Break;
    s := s + IntToStr(i) + ' ';
  end;
  s := TrimRight(s) + nl;
  for i := 1 to 4 do
  begin
    for j := 1 to 4 do
      s := s + Format('%3d', [i * j]);
    s := s + nl;
  end;
  i := 0;
  while True do
  begin
    Inc(i);
    if i * i > 500 then Break;
  end;
  Result := s + 'first square above 500: ' + IntToStr(i * i);
end.
