var r = /[/'"]while(1)/;
if (r) /x/.test('for(;;)');
x = {while: 1}; y = a / b / c; // for(;;)
/* while(1) */ p.catch(function () {});
