MNI Tag Point File
Volumes = 1;
% a comment

Points =
 1.5 -2 3 1 4 -1 "frontal pole"
 -10.25 20 0.5e1 0.5 2 7
 0 0 0;
