MNI Tag Point File
Volumes = 2;
Points =
 1 2 3 4 5 6 "pair \"one\""
 7 8
 9 10 11 12
;
