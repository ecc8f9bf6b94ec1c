pipl 16000
  kind code 8BFM
  vers int32 0x00040000
  mode bytes 00 08 00 00
  catg pstring "Blur"
  name pstring "Gaussian Blur"
  wx86 cstring "GaussianBlurFilter"
