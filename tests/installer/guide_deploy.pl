#!/usr/bin/perl
# What the guide tells administrators is what the program and the packages
# do: its table of events and its Get-WinEvent queries against the event
# manifest and the program's source, its table of exit codes against the
# setup's, its logs, waits and upgrade code against the scripts.
#   guide_deploy.pl ROOT
use strict;
use warnings;

my $root = shift or die "usage: $0 ROOT\n";
sub slurp { my ($f) = @_; open(my $h, '<:raw', "$root/$f") or die "$f: $!\n"; local $/; return <$h>; }
my $guide = slurp('docs/Anleitung.html');
my $nsis = join "\n", map { slurp("installer/$_") } qw(ZelkorBackup.nsi deploy.nsh update_close.nsh);
my @wrong;
sub expect { push @wrong, $_[1] unless $_[0]; }
sub section {  # the text of a section, its blanks joined
    $guide =~ /<h[23] id="$_[0]">(.*?)(?=<h[23] |<\/body>)/s or die "no section $_[0] in the guide\n";
    (my $text = $1) =~ s/\s+/ /g;
    return $text;
}
sub same_set {
    my ($what, $in_guide, $in_source) = @_;
    my ($x, $y) = map { join ',', sort { $a <=> $b } @$_ } $in_guide, $in_source;
    expect($x eq $y, "$what: the guide has $x, the sources $y");
}

my %event;  # id => the first line of its text
my $mc = slurp('resources/events.mc');
$event{$1} = $2 while $mc =~ /^MessageId=(\d+)\s.*?^Language=\w+\s*\n(.*?)(?:%n|\n)/msg;
my $events = section('ereignisse');
my %row = $events =~ /<tr><td class="c">(\d+)<\/td>(.*?)(?=<tr>|<\/table>)/g;
same_set('event ids', [keys %row], [keys %event]);
for my $id (grep { exists $event{$_} } keys %row) {
    (my $text = $row{$id}) =~ s/<br>.*//;
    expect(index($text, $event{$id}) >= 0, "event $id: its first line \"$event{$id}\"");
}

my ($source) = slurp('win32/eventlog_win32.cpp') =~ /RegisterEventSourceW\(nullptr, L"([^"]+)"\)/;
my $queries = section('abfragen');
my @filters = $queries =~ /Get-WinEvent -FilterHashtable \@\{([^}]*)\}/g;
expect(@filters >= 2, "the guide's Get-WinEvent queries");
for my $f (@filters) {
    expect($f =~ /LogName='Application'; ProviderName='\Q$source\E'/, "query {$f}: the log and the source '$source'");
    my ($ids) = $f =~ /Id=([\d,]+)/;
    expect(defined $ids && !grep({ !exists $event{$_} } split(/,/, $ids)), "query {$f}: only the program's ids");
}
expect(index($queries, "$_ (") >= 0, "the queries' text names event $_") for 20, 21, 22;

my %code = (0 => 1);
$code{$1} = 1 while $nsis =~ /^!define EXIT_\w+ (\d+)\s*$/mg;
# The preset helper's own refusals, which the setup passes on as they are.
my ($preset_codes) = slurp('installer/front/Vorgabe.cpp') =~ /constexpr int (kDone = 0,.*?);/s;
$code{$1} = 1 while $preset_codes =~ /k\w+ = (2\d)\b/g;
my $commands = section('befehle');
my ($table) = $commands =~ /<table class="events">(.*?)<\/table>/ or die "no table of codes in the guide\n";
same_set('exit codes', [$table =~ /<td class="c">(\d+)<\/td>/g], [keys %code]);
for my $log ($nsis =~ /^!insertmacro UPDATE_CLOSE "[^"]*" "[^"]*" "([^"]+)"/mg) {
    expect(index($commands, "%SystemRoot%\\Logs\\$log") >= 0, "the log $log");
}
expect(index($commands, '/LOG=') >= 0 && index($commands, '/l*v') >= 0, "the log options /LOG= and msiexec /l*v");
my ($wait) = $nsis =~ /^!define CLOSE_WAIT_SILENT (\d+)/m;
my ($retry) = $nsis =~ /^!define CLOSE_RETRY_SECONDS (\d+)/m;
expect(index($commands, "höchstens $wait Sekunden") >= 0 && index($commands, "alle $retry Sekunden") >= 0,
       "the wait of $wait seconds, asked every $retry");
my ($upgrade) = slurp('installer/package.sh') =~ /^upgrade_code=([0-9A-F-]+)$/m;
expect(index($commands, "{$upgrade}") >= 0, "the upgrade code");

if (@wrong) {
    print STDERR "The guide's sections for administrators do not match the sources:\n", map { "  $_\n" } @wrong;
    exit 1;
}
print "The guide's events, queries, codes and logs match the program and the packages.\n";
