#!/usr/bin/perl
# Reads a table with Perl's XBase module and compares it with what was
# written; the same contract as peer_read.py:
#   peer_read.pl TABLE.dbf EXPECTED.json
# Exit status 0 when equal, 1 on a difference, 77 when XBase is missing.
use strict;
use warnings;
use Encode qw(decode);
use JSON::PP;
use POSIX qw(floor);

BEGIN { eval { require XBase; 1 } or exit 77; }

my ($path, $expected_path) = @ARGV;
open(my $fh, '<:raw', $expected_path) or die "$expected_path: $!";
my $expected = JSON::PP->new->utf8->decode(do { local $/; <$fh> });
close $fh;
my $encoding = 'cp' . $expected->{codepage};

my $table = XBase->new(name => $path) or die XBase->errstr;

# XBase gives raw page bytes, D as YYYYMMDD, T as seconds since 1970 (with
# the milliseconds as a fraction), I as an unsigned 32-bit number.
sub normal {
    my ($type, $decimals, $value) = @_;
    return undef unless defined $value;
    if ($type eq 'C') { (my $t = decode($encoding, $value)) =~ s/ +$//; return $t; }
    if ($type eq 'M') { return decode($encoding, $value); }
    if ($type eq 'N' || $type eq 'F') { return sprintf('%.*f', $decimals, $value); }
    if ($type eq 'Y') { return sprintf('%.4f', $value); }
    if ($type eq 'B') { return $value; }
    if ($type eq 'I') { return $value >= 2**31 ? $value - 2**32 : $value; }
    if ($type eq 'L') { return $value ? 'T' : 'F'; }
    if ($type eq 'D') {
        return sprintf('%04d-%02d-%02d', int($value / 10000), int($value / 100) % 100, $value % 100);
    }
    if ($type eq 'T') {
        my $ms_total = floor($value * 1000 + 0.5);
        my $days = floor($ms_total / 86400000);
        my $ms = $ms_total - $days * 86400000;
        my ($y, $m, $d) = civil_from_days($days);
        return sprintf('%04d-%02d-%02d %02d:%02d:%02d.%03d', $y, $m, $d, int($ms / 3600000),
                       int($ms / 60000) % 60, int($ms / 1000) % 60, $ms % 1000);
    }
    die "unknown field type $type";
}

# Days since 1970-01-01 to a calendar date.
sub civil_from_days {
    my ($z) = @_;
    $z += 719468;
    my $era = floor($z / 146097);
    my $doe = $z - $era * 146097;
    my $yoe = int(($doe - int($doe / 1460) + int($doe / 36524) - int($doe / 146096)) / 365);
    my $y = $yoe + $era * 400;
    my $doy = $doe - (365 * $yoe + int($yoe / 4) - int($yoe / 100));
    my $mp = int((5 * $doy + 2) / 153);
    my $d = $doy - int((153 * $mp + 2) / 5) + 1;
    my $m = $mp < 10 ? $mp + 3 : $mp - 9;
    return ($m <= 2 ? $y + 1 : $y, $m, $d);
}

sub is_empty {
    my ($v, $type) = @_;
    return 1 if $type eq 'T' && defined $v && $v == -2440588 * 86400;  # day 0: empty
    return 1 unless defined $v;
    return $v =~ /^\s*$/ || ($v =~ /^-?[\d.]+$/ && $v == 0);
}

my @columns = @{$expected->{columns}};
my @problems;
my @names = grep { $_ ne '_NULLFLAGS' } $table->field_names;
my $want_names = join(',', map { $_->{name} } @columns);
my $got_names = lc join(',', @names);
push @problems, "field names $got_names, expected $want_names" if $got_names ne $want_names;
my $rows = $table->last_record + 1;
my @want_rows = @{$expected->{rows}};
push @problems, "$rows rows, expected " . scalar(@want_rows) if $rows != @want_rows;
for my $r (0 .. $#want_rows) {
    last if $r >= $rows;
    my $record = $table->get_record_as_hash($r);
    for my $c (0 .. $#columns) {
        my $column = $columns[$c];
        my $raw = $record->{uc $column->{name}};
        my $want = $want_rows[$r][$c];
        my $where = 'row ' . ($r + 1) . " $column->{name}";
        if (!defined $want) {  # XBase does not read the null bits
            push @problems, "$where: '$raw' for a null" unless is_empty($raw, $column->{type});
            next;
        }
        my $got = normal($column->{type}, $column->{decimals}, $raw);
        $got = '' if !defined $got && $column->{type} eq 'M' && $want eq '';
        my $same = defined $got &&
            ($column->{type} eq 'B' ? $got == $want : $got eq $want);
        push @problems, "$where: got '" . ($got // 'undef') . "', expected '$want'" unless $same;
    }
}
binmode STDOUT, ':encoding(UTF-8)';
print "$_\n" for @problems[0 .. ($#problems < 39 ? $#problems : 39)];
print "XBase: $rows rows, " . scalar(@problems) . " differences\n";
exit(@problems ? 1 : 0);
