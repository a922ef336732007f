#!/bin/sh
# Drives the data tool as content authors use it: encipher, decipher, cat and pack with
# their exit codes and messages, and the errors of every command on stderr.
set -u
datatool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The engine key's vector from the independent reference (xtea_reference.py).
printf '<xml/>' > plain.xml
"$datatool" encipher @engine plain.xml coded.txt || fail "encipher exit $?"
[ "$(cat coded.txt)" = "985B00BFDA5C" ] || fail "encipher gave $(cat coded.txt)"
"$datatool" decipher k4wz8qe1vn-7tj3hm0d coded.txt back.xml || fail "decipher exit $?"
cmp -s plain.xml back.xml || fail "decipher did not give the text back"

for key in @options @highscores @records @users literal; do
  "$datatool" encipher $key plain.xml c.txt && "$datatool" decipher $key c.txt b.xml &&
    cmp -s plain.xml b.xml || fail "round trip under $key"
done

"$datatool" decipher @engine plain.xml out.xml 2> err.txt
[ $? -eq 1 ] || fail "decipher of text that is not hexadecimal should exit 1"
[ ! -e out.xml ] || fail "decipher of bad input wrote a file"
grep -q "not hexadecimal text" err.txt || fail "no clear message: $(cat err.txt)"
printf 'ABC' > odd.txt
"$datatool" decipher @engine odd.txt out.xml 2> /dev/null
[ $? -eq 1 ] && [ ! -e out.xml ] || fail "an odd number of digits should fail"
"$datatool" encipher @nosuchkey plain.xml out.txt 2> /dev/null
[ $? -eq 2 ] || fail "an unknown key name should be a usage error"

# Outputs that are not plain files: a link is followed (it stays, its target gets the
# result), a named pipe is written to (its reader gets the result), "-" is stdout.
printf 'old' > kept.txt
ln -s kept.txt link.txt
"$datatool" encipher @engine plain.xml link.txt || fail "encipher to a link exit $?"
[ -L link.txt ] || fail "the link was replaced"
[ "$(cat kept.txt)" = "985B00BFDA5C" ] || fail "the link's target holds $(cat kept.txt)"
ln -s absent.txt dangling.txt
"$datatool" encipher @engine plain.xml dangling.txt && [ -L dangling.txt ] &&
  [ "$(cat absent.txt)" = "985B00BFDA5C" ] || fail "a dangling link's target is not written"
mkfifo pipe
cat pipe > from_pipe.txt &
reader=$!
"$datatool" encipher @engine plain.xml pipe || fail "encipher to a named pipe exit $?"
if [ -p pipe ]; then
  wait $reader
  [ "$(cat from_pipe.txt)" = "985B00BFDA5C" ] || fail "the pipe's reader got $(cat from_pipe.txt)"
else
  kill $reader  # it waits for a writer that never comes
  fail "the named pipe was replaced"
fi
[ "$("$datatool" encipher @engine plain.xml -)" = "985B00BFDA5C" ] || fail "encipher to -"
"$datatool" encipher @engine plain.xml - | "$datatool" decipher @engine /dev/stdin - |
  cmp -s - plain.xml || fail "decipher from a pipe to -"
"$datatool" xml2bin plain.xml bin.dat && "$datatool" bin2xml bin.dat - | cmp -s - plain.xml ||
  fail "bin2xml to -"
mkdir outdir
"$datatool" encipher @engine plain.xml outdir 2> err.txt
[ $? -eq 1 ] && grep -q "cannot write 'outdir': a folder" err.txt || fail "output over a folder: $(cat err.txt)"

mkdir -p src/Sub game/data
printf 'first' > src/A.txt
printf 'second' > src/Sub/B.xml
"$datatool" pack src game/data/gfx.vkd || fail "pack exit $?"
"$datatool" pack src src/again.zip && "$datatool" pack src src/again.zip || fail "pack into itself"
"$datatool" cat 'src\again.zip\again.zip' > /dev/null 2>&1 && fail "pack took in its own older archive"
[ "$("$datatool" cat 'src\again.zip\A.txt')" = "first" ] || fail "an archive named in full is read"
cd game || exit 1
[ "$("$datatool" cat 'DATA\GFX\a.TXT')" = "first" ] || fail "cat from the archive"
[ "$("$datatool" cat data/gfx/sub/b.xml)" = "second" ] || fail "cat of a nested entry"
"$datatool" cat 'data\gfx\none.txt' 2> err.txt
[ $? -eq 1 ] && grep -q "not found" err.txt || fail "cat of a missing file should exit 1"

cd "$work" || exit 1

# What is no regular file is not packed, and said so, naming it: a named pipe, a link that
# leads nowhere, a link to a folder. The rest is packed; plain folders pass in silence.
mkdir -p odd/Sub odd/Empty
printf 'kept' > odd/Sub/kept.txt
mkfifo odd/pipe
ln -s nowhere.txt odd/Sub/dangling.txt
ln -s Sub odd/linked
"$datatool" pack odd odd.vkd 2> err.txt || fail "pack with odd entries exit $?"
for name in odd/pipe odd/Sub/dangling.txt odd/linked; do
  grep -qx "warning: $name: not a regular file; not packed" err.txt || fail "no warning for $name: $(cat err.txt)"
done
[ "$(wc -l < err.txt)" -eq 3 ] || fail "pack says more than the odd entries: $(cat err.txt)"
[ "$("$datatool" cat 'odd.vkd\Sub\kept.txt')" = "kept" ] || fail "the regular file is packed"

# Every command says what went wrong on stderr, and nothing of it on stdout.
printf '<a><b></a>' > broken.xml
for command in "check broken.xml" "xml2bin broken.xml out.dat" "bin2xml nowhere.dat out.xml" \
    "eval 1/" "cat nowhere.txt" "decipher @engine plain.xml -"; do
  "$datatool" $command > out.txt 2> err.txt
  status=$?
  [ $status -ne 0 ] || fail "$command should fail"
  [ -s err.txt ] && [ ! -s out.txt ] || fail "$command: stdout '$(cat out.txt)', stderr '$(cat err.txt)'"
done

[ $failures -eq 0 ] && echo "all passed"
exit $failures
