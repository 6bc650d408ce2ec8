#!/usr/bin/perl
# Prints the frames of each icon file named, one line per file:
#   16 bmp32 20 bmp32 ... 256 png
# a frame's size, then "png" for a PNG-compressed frame or "bmp" with the
# bitmap's bits per pixel.
use strict;
use warnings;

for my $name (@ARGV) {
    open my $f, '<:raw', $name or die "$name: $!\n";
    my $data = do { local $/; <$f> };
    my ($reserved, $type, $count) = unpack 'v3', $data;
    die "$name: no icon file\n" unless defined $count && $reserved == 0 && $type == 1;
    my @frames;
    for my $i (0 .. $count - 1) {
        my ($width, $height, $length, $offset) = unpack 'C C x6 V V', substr($data, 6 + 16 * $i, 16);
        my $image = substr($data, $offset, $length);
        die "$name: frame $i lies outside the file\n" unless length $image == $length && $length > 40;
        my $size = $width || 256;
        die "$name: frame $i is not square\n" unless $size == ($height || 256);
        if (substr($image, 0, 8) eq "\x89PNG\r\n\x1a\n") {
            push @frames, "$size png";
        } else {
            my $bits = unpack 'v', substr($image, 14, 2);
            push @frames, "$size bmp$bits";
        }
    }
    print join(" ", sort { (split " ", $a)[0] <=> (split " ", $b)[0] } @frames), "\n";
}
