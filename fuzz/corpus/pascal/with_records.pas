// Records with nested records, assigned whole, and reached through "with".
type
  TAddress = record
    Street, City: string;
    Zip: Integer;
  end;
  TPerson = record
    Name: string;
    Age: Integer;
    Home: TAddress;
  end;
var
  p, q: TPerson;
begin
  with p do
  begin
    Name := 'Ivan Petrov';
    Age := 34;
    with Home do
    begin
      Street := '12 Lenin St';
      City := 'Tver';
      Zip := 170000;
    end;
  end;
  q := p;
  q.Name := 'Maria Petrova';
  Inc(q.Age, -2);
  q.Home.Street := '5 Pushkin Sq';
  Result := '';
  with p, Home do
    Result := Result + Name + ', ' + IntToStr(Age) + ', ' + Street + ', ' + City + ' ' +
      IntToStr(Zip) + nl;
  with q do
    Result := Result + Name + ', ' + IntToStr(Age) + ', ' + Home.Street + ', ' + Home.City;
end.
