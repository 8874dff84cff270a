// A Russian signature line with the date written out in words (code page 1251).
const
  Months: array[1..12] of string = ('€нвар€', 'феврал€', 'марта', 'апрел€', 'ма€', 'июн€',
    'июл€', 'августа', 'сент€бр€', 'окт€бр€', 'но€бр€', 'декабр€');
  Days: array[1..7] of string = ('воскресенье', 'понедельник', 'вторник', 'среда', 'четверг',
    'п€тница', 'суббота');

function RussianDate(d: TDateTime): string;
var
  y, m, dd: Word;
begin
  DecodeDate(d, y, m, dd);
  Result := IntToStr(dd) + ' ' + Months[m] + ' ' + IntToStr(y) + ' г., ' + Days[DayOfWeek(d)];
end;

begin
  Result := '— уважением,' + nl + '»ван ѕетров' + nl + RussianDate(EncodeDate(2026, 12, 7)) + nl +
    RussianDate(EncodeDate(2025, 3, 1)) + nl + RussianDate(EncodeDate(2024, 5, 9));
end.
