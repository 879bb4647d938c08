#!/usr/bin/perl
# bytes.pl LISTING > FILE
#
# Writes the bytes a listing spells out, so that test games can carry pages and project files written
# by hand from the format's rules, independently of the player's own writers. A listing is a sequence
# of words; `#` starts a comment that runs to the end of the line.
#
#   i32 N ...      each N as a little-endian int32 (decimal, negative, or 0x hex)
#   u8 N ...       each N as one byte
#   str "TEXT"     int32 byte count, then the bytes (\" \\ and \xNN are escapes)
#   raw "TEXT"     the bytes alone
#   zeros N        N zero bytes
#   def NAME WORDS the rest of the line becomes NAME; later uses of NAME stand for WORDS
use strict;
use warnings;

my $file = shift @ARGV or die "usage: bytes.pl LISTING\n";
open(my $in, '<', $file) or die "bytes.pl: cannot read $file: $!\n";
binmode STDOUT;

my %defs;
my $out = '';

# The words of one line: quoted strings stay whole; a comment ends the line.
sub words {
    my ($line) = @_;
    my @w;
    while ($line =~ /\G\s*(?:("(?:[^"\\]|\\.)*")|(#.*)|(\S+))/gc) {
        last if defined $2;
        push @w, defined $1 ? $1 : $3;
    }
    return @w;
}

sub text {
    my ($q) = @_;
    die "bytes.pl: $file: expected a quoted text, found $q\n" unless $q =~ /^"(.*)"$/s;
    my $s = $1;
    $s =~ s/\\x([0-9A-Fa-f]{2})|\\(.)/defined $1 ? chr(hex $1) : $2/ge;
    return $s;
}

sub number {
    my ($w) = @_;
    die "bytes.pl: $file: expected a number, found $w\n" unless $w =~ /^-?(0x[0-9A-Fa-f]+|\d+)$/;
    my $neg = $w =~ s/^-//;
    my $v = $w =~ /^0x/ ? hex $w : $w;
    return $neg ? -$v : $v;
}

my @pending;
while (my $line = <$in>) {
    my @w = words($line);
    next unless @w;
    if ($w[0] eq 'def') {
        die "bytes.pl: $file: def needs a name\n" unless @w >= 2;
        $defs{$w[1]} = [@w[2 .. $#w]];
        next;
    }
    push @pending, @w;
}
close $in;

# Expand definitions (they may use earlier ones).
my @stream;
my $expand;
$expand = sub {
    my ($w, $depth) = @_;
    die "bytes.pl: $file: definitions nest too deep\n" if $depth > 32;
    if (exists $defs{$_[0]}) { $expand->($_, $depth + 1) for @{ $defs{$_[0]} }; }
    else { push @stream, $w; }
};
$expand->($_, 0) for @pending;

my $op;
for my $w (@stream) {
    if ($w =~ /^(i32|u8|str|raw|zeros)$/) { $op = $w; next; }
    die "bytes.pl: $file: a value before any of i32, u8, str, raw, zeros: $w\n" unless defined $op;
    if ($op eq 'i32') { $out .= pack('l<', number($w)); }
    elsif ($op eq 'u8') {
        my $v = number($w);
        die "bytes.pl: $file: byte out of range: $w\n" if $v < 0 || $v > 255;
        $out .= chr($v);
    }
    elsif ($op eq 'str') { my $t = text($w); $out .= pack('l<', length $t) . $t; }
    elsif ($op eq 'raw') { $out .= text($w); }
    elsif ($op eq 'zeros') { $out .= "\0" x number($w); }
}
print $out;
