# One module, two filters: one property list each.
pipl 16000
  kind code 8BFM
  vers int32 0x00040000
  mode bytes 00 08 00 00
  catg pstring "Adjust"
  name pstring "Sepia"
  wx86 cstring "SepiaFilter"

pipl 16001
  kind code 8BFM
  vers int32 0x00040000
  mode bytes 00 08 00 00
  catg pstring "Stylize"
  name pstring "Solarize"
  wx86 cstring "SolarizeFilter"
