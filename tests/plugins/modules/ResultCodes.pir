pipl 16000
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Result Codes"
  wx86 cstring "ResultEntry"
