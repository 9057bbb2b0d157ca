#!/usr/bin/env bash
# Builds the Debian package from a Release build in build-deb/ and checks it:
#   - cpack -G DEB gives build-deb/zeko_<version>_amd64.deb;
#   - lintian reports no error;
#   - it holds /usr/bin/zeko, the man page, copyright, changelog and the
#     samples, and depends on liblua5.4-0 and libktoblzcheck1v5 (the bank
#     code file);
#   - unpacked into a scratch root, its zeko runs a sample and answers
#     --version, and man renders its page.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
need=()
for pkg in dpkg-dev lintian man-db; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if ((${#need[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DZEKO_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build-deb -j"$(nproc)"
(cd build-deb && rm -f zeko_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build-deb/zeko_*_amd64.deb)
echo "$deb"

failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Errors fail; warnings and notes are shown.
lintian --no-tag-display-limit "$deb" | tee build-deb/lintian.txt || true
grep -q '^E: ' build-deb/lintian.txt && fail "lintian reports errors"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/zeko ./usr/share/man/man1/zeko.1.gz ./usr/share/doc/zeko/copyright \
  ./usr/share/doc/zeko/changelog.gz ./usr/share/doc/zeko/examples/spk/fibconf; do
  grep -qx "$path" <<<"$contents" || fail "$path is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in liblua5.4-0 libktoblzcheck1v5; do
  [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done

# A scratch root: the package's files as dpkg would install them.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
version=$("$root/usr/bin/zeko" --version) || fail "zeko --version exits with an error"
grep -q "^zeko " <<<"$version" || fail "zeko --version"
for target in datax spk; do
  ./scripts/run-sample.sh "$root/usr/bin/zeko" "$target" "$root/run-$target" \
    "$root/usr/share/doc/zeko/examples" >/dev/null || fail "the installed sample $target does not run"
done
MANWIDTH=80 man -l "$root/usr/share/man/man1/zeko.1.gz" 2>&1 >/dev/null | grep . && fail "man reports problems"

if ((failed)); then exit 1; fi
echo "package ok: $deb"
