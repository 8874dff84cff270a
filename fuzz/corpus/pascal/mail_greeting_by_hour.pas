// A greeting that fits the time of day; the hours are fixed here instead of taken from Now.
function Greeting(hour: Integer): string;
begin
  case hour of
    5..11: Result := 'Good morning';
    12..17: Result := 'Good afternoon';
    18..22: Result := 'Good evening';
  else
    Result := 'Hello';
  end;
end;

const
  Hours: array[0..5] of Integer = (4, 9, 12, 17, 21, 23);
var
  i: Integer;
  t: TDateTime;
begin
  Result := '';
  for i := 0 to High(Hours) do
  begin
    t := EncodeTime(Hours[i], 15, 0, 0);
    Result := Result + FormatDateTime('hh:nn', t) + ' ' + Greeting(HourOf(t)) + ', Anna!' + nl;
  end;
end.
