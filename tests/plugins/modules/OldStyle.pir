# Two PIMI resources and three _8BFM: only the pairs count.
resource PIMI 1
  int16 1 cstring "Old Tools"
resource PIMI 2
  int16 1 cstring "Old Tools"
resource _8BFM 1
  int16 1 cstring "Make Red"
resource _8BFM 2
  int16 1 cstring "Make Blue"
resource _8BFM 3
  int16 1 cstring "Orphan"
