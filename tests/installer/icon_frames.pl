#!/usr/bin/perl
# Prints the frames of each icon file named, one line per file, by size:
# "16 bmp32 ... 256 png", a frame's bits per pixel or "png" when compressed.
use strict;
use warnings;

for my $name (@ARGV) {
    open my $f, '<:raw', $name or die "$name: $!\n";
    my $data = do { local $/; <$f> };
    my ($reserved, $type, $count) = unpack 'v3', $data;
    die "$name: no icon file\n" unless defined $count && $reserved == 0 && $type == 1;
    my %frames;
    for my $i (0 .. $count - 1) {
        my ($width, $length, $offset) = unpack 'C x7 V V', substr($data, 6 + 16 * $i, 16);
        my $image = substr($data, $offset, $length);
        die "$name: frame $i lies outside the file\n" unless length $image == $length && $length > 40;
        $frames{$width || 256} = substr($image, 0, 4) eq "\x89PNG" ? 'png' : 'bmp' . unpack('v', substr($image, 14, 2));
    }
    print join(' ', map { "$_ $frames{$_}" } sort { $a <=> $b } keys %frames), "\n";
}
