pipl 16000
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Gamma"
  wx86 cstring "GammaEntry"
pipl 16001
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Alpha"
  wx86 cstring "AlphaEntry"
pipl 16002
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Beta"
  wx86 cstring "NoSuchEntry"
