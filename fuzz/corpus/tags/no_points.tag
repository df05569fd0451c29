MNI Tag Point File
Volumes = 1;
Points =
;
