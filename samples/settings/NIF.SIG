--
ÉQÉXÉg (XYZ98765)
