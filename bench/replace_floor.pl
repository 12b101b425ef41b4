#!/usr/bin/perl
# The least a job that replaces pages asks of the file system: each page named is read, its bytes
# are written unchanged to a new file beside it, and that file is renamed over the page. A replace
# frees every old page where a copy into a new folder frees nothing, and freeing is not free (ext4
# without a journal steps over recently freed inodes whenever it makes a file; a disk mounted with
# online discard waits for the device on every file freed). It flushes nothing itself: the bench
# runs one sync after it, so its data may be in memory still when a rename makes it visible.
#
#   find SITE ... -print0 | xargs -0 -P 4 perl bench/replace_floor.pl && sync
use strict;
use warnings;

for my $page (@ARGV) {
  open(my $old, '<:raw', $page) or die "$page: $!";
  my $content = do { local $/; <$old> };
  close $old;
  my $new = "$page.floor-tmp";
  open(my $out, '>:raw', $new) or die "$new: $!";
  print $out $content or die "$new: $!";
  close $out or die "$new: $!";
  rename($new, $page) or die "$page: $!";
}
