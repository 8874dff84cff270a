program Jumps;
uses System.SysUtils, Math;
label 10, again, done;
var i, n: Integer; s: string;
function F(k: Integer): Integer;
label out;
begin
  Result := 0;
  while True do begin Inc(Result, k); if Result > 20 then goto out end;
out:
end;
begin
  i := 0;
again:
  Inc(i);
  try
    if i mod 2 = 0 then goto 10;
    s := s + SysUtils.IntToStr(i);
10:
  finally
    n := System.Length(s)
  end;
  if i < 9 then goto again;
  if n > 3 then goto done;
  s := 'short';
done:
  Result := s + IntToStr(F(3)) + Exception(ExceptObject).Message;
end.
