pipl 16000
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Sampler"
  wx86 cstring "SamplerEntry"
