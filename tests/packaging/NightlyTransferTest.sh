#!/bin/sh
# The nightly script against a stand-in vorl-cli: every night's download is kept under its own name, a
# download the archive could not take is archived the next night, and only archived files beyond the
# newest 14 are deleted.
set -eu
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dir=$work/state/transfers
mkdir -p "$dir"
cat >"$work/cli" <<'STUB'
#!/bin/sh
# transfer --port P --out FILE writes FILE; archive import FILE fails while $STUB_ARCHIVE_DOWN exists.
case $1 in
transfer) eval "out=\${$#}"; echo qlv >"$out" ;;
archive | push) echo "$*" >>"$STUB_CALLS"; [ ! -e "$STUB_ARCHIVE_DOWN" ] ;;
esac
STUB
chmod +x "$work/cli"
for day in 01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16; do
    echo qlv >"$dir/transfer-2026-01-$day-060000.archived.qlv"
done
fail() { echo "nightly script: $*" >&2; ls "$dir" >&2; exit 1; }
run() { STATE_DIRECTORY=$work/state VORL_CLI=$work/cli VORL_PORT=/dev/null STUB_ARCHIVE_DOWN=$work/down \
    STUB_CALLS=$work/calls "$script"; }

# The archive is down: tonight's file is kept and the run fails; nothing archived is deleted yet.
touch "$work/down"
if run; then fail "a night the archive refused reported success"; fi
[ "$(ls "$dir" | grep -c '\.archived\.qlv$')" = 14 ] || fail "expected the 14 newest archived files"
[ "$(ls "$dir" | grep -vc '\.archived\.qlv$')" = 1 ] || fail "tonight's download was not kept"
[ ! -e "$dir/transfer-2026-01-01-060000.archived.qlv" ] || fail "the oldest archived file was kept"

# The next night: both downloads are archived, and still only the newest 14 archived files stay.
rm "$work/down"
sleep 1
run || fail "a good night failed"
[ "$(ls "$dir" | grep -vc '\.archived\.qlv$')" = 0 ] || fail "a download was left unarchived"
[ "$(ls "$dir" | grep -c '\.archived\.qlv$')" = 14 ] || fail "expected 14 archived files"
ls "$dir" | grep -q "^transfer-$(date +%Y)-.*\.archived\.qlv$" || fail "tonight's download is not among them"
# Pushing to a server instead: the same keeping, and no archive opened.
rm -f "$work/calls"
sleep 1
VORL_PUSH_URL=https://vorl.example.org VORL_TOKEN_FILE=$work/token run || fail "a pushed night failed"
grep -q "^push .*transfer-.*\.qlv --server https://vorl.example.org --token-file $work/token\$" "$work/calls" ||
    fail "the download was not pushed: $(cat "$work/calls")"
! grep -q '^archive' "$work/calls" || fail "a pushing night opened the archive"
[ "$(ls "$dir" | grep -vc '\.archived\.qlv$')" = 0 ] || fail "a pushed download was left"
echo "nightly script ok"
