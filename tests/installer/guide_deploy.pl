#!/usr/bin/perl
# What the guide tells administrators must be what the program and the
# packages do: the event ids of its table and of its Get-WinEvent queries
# against the event manifest, the provider against the source the program
# reports under, the setup's exit codes against the script's, the logs' names,
# the waits, the upgrade code.
#   guide_deploy.pl ROOT
use strict;
use warnings;

my $root = shift or die "usage: $0 ROOT\n";
sub slurp { my ($f) = @_; open(my $h, '<:raw', "$root/$f") or die "$f: $!\n"; local $/; return <$h>; }

my $guide = slurp('docs/Anleitung.html');
my $mc = slurp('resources/events.mc');
my $nsis = join "\n", map { slurp("installer/$_") } qw(ZelkorBackup.nsi deploy.nsh update_close.nsh);
my $eventlog = slurp('win32/eventlog_win32.cpp');
my $package = slurp('installer/package.sh');
my @missing;
sub expect { my ($ok, $what) = @_; push @missing, $what unless $ok; }
sub section {
    my ($id) = @_;
    $guide =~ /<h[23] id="$id">(.*?)(?=<h[23] |<\/body>)/s or die "no section $id in the guide\n";
    (my $text = $1) =~ s/\s+/ /g;
    return $text;
}
sub same_set {
    my ($what, $in_guide, $in_source) = @_;
    my $x = join ',', sort { $a <=> $b } @$in_guide;
    my $y = join ',', sort { $a <=> $b } @$in_source;
    expect($x eq $y, "$what: the guide has $x, the source $y");
}

# The manifest: id => first line of its text.
my %event;
while ($mc =~ /^MessageId=(\d+)\s.*?^Language=\w+\s*\n(.*?)(?:%n|\n)/msg) { $event{$1} = $2; }
die "no events in events.mc\n" unless %event;

# The table of events: every id, each with its fixed first line.
my $events = section('ereignisse');
my @rows = $events =~ /<tr><td class="c">(\d+)<\/td>.*?(?=<tr>|<\/table>)/sg;
same_set('event ids', \@rows, [keys %event]);
while ($events =~ /<tr><td class="c">(\d+)<\/td>(.*?)(?=<tr>|<\/table>)/sg) {
    my ($id, $row) = ($1, $2);
    (my $text = $row) =~ s/<br>.*//s;
    $text =~ s/<[^>]*>//g;
    $text =~ s/\s+/ /g;
    expect(defined $event{$id} && index($text, $event{$id}) >= 0, "event $id: first line \"" . ($event{$id} // '') . "\"");
}

# The queries: each names the program's source and only ids it writes.
my ($source) = $eventlog =~ /RegisterEventSourceW\(nullptr, L"([^"]+)"\)/ or die "no source in eventlog_win32.cpp\n";
my $queries = section('abfragen');
my $count = 0;
while ($queries =~ /Get-WinEvent -FilterHashtable \@\{([^}]*)\}/g) {
    my $filter = $1;
    $count++;
    expect($filter =~ /ProviderName='([^']*)'/ && $1 eq $source, "query $count: provider '$source'");
    expect($filter =~ /LogName='Application'/, "query $count: the Application log");
    my ($ids) = $filter =~ /Id=([\d,]+)/;
    expect(defined $ids, "query $count: ids");
    for my $id (split /,/, $ids // '') { expect(exists $event{$id}, "query $count: id $id is no event of the program"); }
}
expect($count >= 2, "the guide's Get-WinEvent queries");
for my $id (20, 21, 22) { expect(index($queries, "$id (") >= 0, "the queries' text names event $id"); }

# The exit codes: the guide's table is the setup's and uninstaller's.
my %code = (0 => 1);
$code{$1} = 1 while $nsis =~ /^!define EXIT_\w+ (\d+)\s*$/mg;
my $commands = section('befehle');
$commands =~ /<table class="events">(.*?)<\/table>/s or die "no table of codes in the guide\n";
my @listed = $1 =~ /<td class="c">(\d+)<\/td>/g;
same_set('exit codes', \@listed, [keys %code]);

# Logs, waits, codes of the packages.
for my $log ($nsis =~ /^!insertmacro UPDATE_CLOSE "[^"]*" "[^"]*" "([^"]+)"/mg) {
    expect(index($commands, "%SystemRoot%\\Logs\\$log") >= 0, "the log $log");
}
expect(index($commands, '/LOG=') >= 0 && index($commands, '/l*v') >= 0, "the log options /LOG= and msiexec /l*v");
my ($wait) = $nsis =~ /^!define CLOSE_WAIT_SILENT (\d+)/m;
my ($retry) = $nsis =~ /^!define CLOSE_RETRY_SECONDS (\d+)/m;
expect(defined $wait && index($commands, "höchstens $wait Sekunden") >= 0, "the wait of $wait seconds");
expect(defined $retry && index($commands, "alle $retry Sekunden") >= 0, "the retry every $retry seconds");
my ($upgrade) = $package =~ /^upgrade_code=([0-9A-F-]+)$/m;
expect(defined $upgrade && index($commands, "{$upgrade}") >= 0, "the upgrade code");

if (@missing) {
    print STDERR "The guide's section for administrators does not match:\n";
    print STDERR "  $_\n" for @missing;
    exit 1;
}
print "The guide's events, queries, codes and logs match the program and the packages.\n";
