#!/usr/bin/perl
# Every text of resources/texts.h that a user can see must appear in the
# guide. A message that the program puts together from pieces (prefix, path,
# suffix; "%s"; lines) is checked piece by piece.
#   guide_texts.pl resources/texts.h docs/Anleitung.html
use strict;
use warnings;

# Names, keys, file names and addresses: not texts a user reads in a message.
my %not_shown = map { $_ => 1 } qw(
    SettingsDirName SettingsFileName SectionBackup SectionErrors
    ProgramFileName AutostartValueName LinkFileName LinkDescription
    DocumentationUrl RemoteSupportFileName CopyProgressTitle
    BtnOk BtnYes BtnNo AppTitle TrayTip PresetFolderName PresetFileName
);

my ($texts_file, $guide_file) = @ARGV;
die "usage: $0 texts.h guide.html\n" unless $guide_file;

sub slurp { my ($f) = @_; open(my $h, '<:raw', $f) or die "$f: $!\n"; local $/; return <$h>; }

# The guide as the reader sees it: no tags, entities resolved, blanks joined.
my $guide = slurp($guide_file);
$guide =~ s/<(script|style)\b.*?<\/\1>//gs;
$guide =~ s/<br\s*\/?>/\n/g;
$guide =~ s/<[^>]*>/ /g;
my %entity = (amp => '&', lt => '<', gt => '>', quot => '"', apos => "'", nbsp => ' ');
$guide =~ s/&(\w+);/exists $entity{$1} ? $entity{$1} : "&$1;"/ge;
$guide =~ s/&#(\d+);/chr($1)/ge;
$guide =~ s/&#x([0-9a-f]+);/chr(hex $1)/gie;
$guide =~ s/\s+/ /g;

my $header = slurp($texts_file);
my (@missing, $count);
while ($header =~ /inline\s+constexpr\s+const\s+char\s*\*\s*(\w+)\s*=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);/g) {
    my ($name, $literals) = ($1, $2);
    next if $not_shown{$name};
    my $text = join '', $literals =~ /"((?:[^"\\]|\\.)*)"/g;
    $text =~ s/\\"/"/g;
    $text =~ s/\\\\/\\/g;
    $count++;
    # A caption's mnemonic is not seen as "&"; columns are parted by tabs.
    $text =~ s/&(?=\w)//g if $text !~ /\s&\s/;
    for my $piece (split /\\[nrt]|%[1-9]/, $text) {
        $piece =~ s/^\s+|\s+$//g;
        $piece =~ s/\s+/ /g;
        next unless $piece =~ /[A-Za-z]/;
        push @missing, "$name: \"$piece\"" if index($guide, $piece) < 0;
    }
}
die "no texts found in $texts_file\n" unless $count;
if (@missing) {
    print "The guide lacks these texts of the program:\n", map { "  $_\n" } @missing;
    exit 1;
}
print "The guide holds all $count texts of the program that users see.\n";
