# Leading word, version 0, count 1, then one property whose length (200) runs past the end.
resource PIPL 16000
  int16 1 int32 0 int32 1
  code 8BIM code name int32 0 int32 200
  pstring "Liar"
pipl 16001
  kind code 8BFM
  catg pstring "Tests"
  name pstring "Survivor"
  wx86 cstring "SurvivorEntry"
