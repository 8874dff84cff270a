// Numbers in hexadecimal and binary, both ways.
function ToBinary(n: Cardinal; digits: Integer): string;
begin
  Result := '';
  while (n > 0) or (Length(Result) < digits) do
  begin
    Result := Chr(Ord('0') + n and 1) + Result;
    n := n shr 1;
  end;
end;

function FromBinary(const s: string): Integer;
var
  i: Integer;
begin
  Result := 0;
  for i := 1 to Length(s) do
    Result := Result shl 1 + Ord(s[i] = '1');
end;

begin
  Result := IntToHex(255, 2) + ' ' + IntToHex(48879, 8) + ' ' + IntToHex(-1, 4) + ' ' +
    IntToStr(StrToInt('$FF')) + ' ' + IntToStr($7FFF) + nl +
    ToBinary(10, 8) + ' ' + ToBinary(255, 1) + ' ' + ToBinary(0, 1) + ' ' +
    IntToStr(FromBinary('101010')) + nl +
    IntToStr(12 and 10) + ' ' + IntToStr(12 or 10) + ' ' + IntToStr(12 xor 10) + ' ' +
    IntToStr(1 shl 12) + ' ' + IntToStr(-16 div 4) + ' ' + IntToStr(not 5);
end.
