// A Date header in the mail format (RFC 5322) with English names whatever the locale says.
const
  DayNames: array[1..7] of string = ('Sun', 'Mon', 'Tue', 'Wed', 'Thu', 'Fri', 'Sat');
  MonthNames: array[1..12] of string = ('Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug',
    'Sep', 'Oct', 'Nov', 'Dec');

function MailDate(t: TDateTime; biasMinutes: Integer): string;
var
  y, m, d: Word;
  sign: Char;
begin
  DecodeDate(t, y, m, d);
  if biasMinutes <= 0 then sign := '+' else sign := '-';
  biasMinutes := Abs(biasMinutes);
  Result := Format('%s, %d %s %d %s %s%.2d%.2d', [DayNames[DayOfWeek(t)], d, MonthNames[m], y,
    FormatDateTime('hh:nn:ss', t), sign, biasMinutes div 60, biasMinutes mod 60]);
end;

begin
  Result := 'Date: ' + MailDate(EncodeDate(2026, 12, 7) + EncodeTime(14, 5, 3, 0), -180) + nl +
    'Date: ' + MailDate(EncodeDate(2025, 7, 4) + EncodeTime(8, 0, 0, 0), 300) + nl +
    'Date: ' + MailDate(EncodeDate(2024, 1, 1), 0);
end.
