// The integer type names and their ranges; Int64 and UInt64 arithmetic.
var
  b: Byte;
  sh: ShortInt;
  sm: SmallInt;
  w: Word;
  li: LongInt;
  card: Cardinal;
  big: Int64;
  ubig: UInt64;
  i: Integer;
begin
  b := High(Byte);
  sh := Low(ShortInt);
  sm := High(SmallInt);
  w := High(Word);
  li := Low(LongInt);
  card := High(Cardinal);
  Result := Format('Byte %d, ShortInt %d, SmallInt %d, Word %d', [b, sh, sm, w]) + nl;
  Result := Result + 'LongInt ' + IntToStr(li) + ', Cardinal ' + IntToStr(card) + nl;
  big := High(Int64);
  Result := Result + 'Int64 ' + IntToStr(big) + ' .. ' + IntToStr(Low(Int64)) + nl;
  ubig := 1;
  for i := 1 to 63 do
    ubig := ubig * 2;
  Result := Result + 'UInt64 2^63 = ' + UIntToStr(ubig) + nl;
  big := 1;
  for i := 1 to 15 do
    big := big * 10;
  Result := Result + '10^15 = ' + IntToStr(big) + ', div 7 = ' + IntToStr(big div 7) +
    ', mod 7 = ' + IntToStr(big mod 7) + nl;
  card := 4000000000;
  Result := Result + 'cardinal ' + IntToStr(card) + ' + 1 = ' + IntToStr(Int64(card) + 1);
end.
