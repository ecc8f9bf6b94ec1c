pipl 16000
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Color Pick"
  wx86 cstring "ColorPickEntry"
