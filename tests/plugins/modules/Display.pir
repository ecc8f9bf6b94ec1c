pipl 16000
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Display"
  wx86 cstring "DisplayEntry"
