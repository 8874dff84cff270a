// A bank account as a record with procedures; an exception class for refused withdrawals.
type
  EInsufficientFunds = class(Exception);
  TAccount = record
    Owner: string;
    Balance: Double;
    History: string;
  end;

procedure Deposit(var a: TAccount; amount: Double);
begin
  if amount <= 0 then
    raise EArgumentException.Create('deposit must be positive');
  a.Balance := a.Balance + amount;
  a.History := a.History + '+' + FormatFloat('0.00', amount) + ' ';
end;

procedure Withdraw(var a: TAccount; amount: Double);
begin
  if amount > a.Balance then
    raise EInsufficientFunds.CreateFmt('cannot withdraw %.2f from %.2f', [amount, a.Balance]);
  a.Balance := a.Balance - amount;
  a.History := a.History + '-' + FormatFloat('0.00', amount) + ' ';
end;

var
  acc: TAccount;
  log: string;
begin
  acc.Owner := 'Olga';
  acc.Balance := 0;
  acc.History := '';
  log := '';
  Deposit(acc, 100);
  Withdraw(acc, 30.5);
  try
    Withdraw(acc, 500);
  except
    on E: EInsufficientFunds do log := log + E.ClassName + ': ' + E.Message + nl;
  end;
  try
    Deposit(acc, -5);
  except
    on E: Exception do log := log + E.ClassName + ': ' + E.Message + nl;
  end;
  Deposit(acc, 0.25);
  Result := log + acc.Owner + ': ' + FormatFloat('0.00', acc.Balance) + ' (' + Trim(acc.History) + ')';
end.
