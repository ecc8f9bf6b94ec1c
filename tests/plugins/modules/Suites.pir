pipl 16000
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Suites"
  wx86 cstring "SuitesEntry"
