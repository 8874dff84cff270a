// The line above a quoted reply: "On <date>, <name> wrote:" with the names of the day and month.
var
  sent: TDateTime;
  who: string;
begin
  sent := EncodeDate(2026, 12, 4) + EncodeTime(17, 42, 0, 0);
  who := ParamStr(1);
  if who = '' then who := 'you';
  Result := 'On ' + FormatDateTime('dddd, mmmm d, yyyy "at" h:nn am/pm', sent) + ', ' + who +
    ' wrote:' + nl + 'On ' + FormatDateTime('ddd, d mmm yyyy', sent) + ', ' + UpperCase(who) +
    ' wrote:';
end.
