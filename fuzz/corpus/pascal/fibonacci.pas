// Fibonacci numbers: the first twenty, a recursive one, and the 90th in Int64.
function FibRec(n: Integer): Integer;
begin
  if n < 2 then Result := n else Result := FibRec(n - 1) + FibRec(n - 2);
end;

var
  a, b, t: Int64;
  i: Integer;
  s: string;
begin
  a := 0;
  b := 1;
  s := '';
  for i := 1 to 20 do
  begin
    s := s + IntToStr(b) + ' ';
    t := a + b;
    a := b;
    b := t;
  end;
  a := 0;
  b := 1;
  for i := 1 to 90 do
  begin
    t := a + b;
    a := b;
    b := t;
  end;
  Result := Trim(s) + nl + 'fib(20) = ' + IntToStr(FibRec(20)) + nl + 'fib(90) = ' + IntToStr(a);
end.
