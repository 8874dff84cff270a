// An enumeration of weekdays: ordinals, Succ and Pred, loops and a set of working days.
type
  TWeekday = (Monday, Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday);
  TWeekdays = set of TWeekday;
const
  Names: array[TWeekday] of string = ('Mon', 'Tue', 'Wed', 'Thu', 'Fri', 'Sat', 'Sun');
var
  d: TWeekday;
  work: TWeekdays;
  s: string;
  n: Integer;
begin
  work := [Monday..Friday];
  s := '';
  n := 0;
  for d := Low(TWeekday) to High(TWeekday) do
  begin
    s := s + Names[d] + '=' + IntToStr(Ord(d));
    if d in work then
    begin
      s := s + '*';
      Inc(n);
    end;
    s := s + ' ';
  end;
  d := Wednesday;
  Inc(d);
  s := s + nl + 'after Wed: ' + Names[d] + ', before Tue: ' + Names[Pred(Tuesday)] +
    ', after Sat: ' + Names[Succ(Saturday)];
  if Sunday > Saturday then s := s + nl + 'Sunday comes last';
  Result := s + nl + IntToStr(n) + ' working days';
end.
