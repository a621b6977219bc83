#!/usr/bin/env bash
# Fetches Debian's source packages of the third-party parsers and unpacks
# them with Debian's patches applied, for third_party/CMakeLists.txt to
# compile into each build tree.
#
#   third_party/fetch_debian_sources.sh DEPS_DIR SUITE PACKAGE=VERSION...
#
# DEPS_DIR/download keeps the .dsc files and tarballs, DEPS_DIR/src/PACKAGE_VERSION
# the unpacked trees. A package whose tarballs are present and match its .dsc
# is not fetched again, so the network is needed only the first time.
#
# apt runs on a private configuration under DEPS_DIR/apt: one deb-src line for
# the mirror the machine already uses (or $VIVANTA_DEBIAN_MIRROR), signed by
# Debian's archive key, with its own lists and cache. The machine's sources,
# lists and cache are never read or written, and no root is needed.
set -euo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 DEPS_DIR SUITE PACKAGE=VERSION..." >&2
  exit 2
fi
deps=$1
suite=$2
shift 2
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

fail() {
  echo "fetch_debian_sources: $*" >&2
  exit 1
}
for tool in apt-get dpkg-source sha256sum flock; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (make setup installs it)"
done
[ -r "$keyring" ] || fail "$keyring is missing (package debian-archive-keyring)"

mkdir -p "$deps/download" "$deps/src" "$deps/apt"
deps=$(cd "$deps" && pwd)
# Two build trees configured at once share these folders.
exec 9>"$deps/.lock"
flock 9

# Checks every file that DSC lists under Checksums-Sha256 (they sit beside it)
# against its size and hash; prints the first mismatch.
verify_dsc() {
  local dsc=$1 dir listed=0 sum size name
  dir=$(dirname "$dsc")
  [ -f "$dsc" ] || return 1
  while read -r sum size name; do
    listed=$((listed + 1))
    if [ ! -f "$dir/$name" ]; then
      echo "$name is missing"
      return 1
    fi
    if [ "$(stat -c %s "$dir/$name")" != "$size" ] ||
      [ "$(sha256sum "$dir/$name" | cut -d' ' -f1)" != "$sum" ]; then
      echo "$name does not match the SHA-256 and size in $(basename "$dsc")"
      return 1
    fi
  done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc")
  if [ "$listed" = 0 ]; then
    echo "$(basename "$dsc") lists no Checksums-Sha256"
    return 1
  fi
}

# The mirror the machine's own apt sources use for SUITE main.
mirror() {
  if [ -n "${VIVANTA_DEBIAN_MIRROR:-}" ]; then
    echo "$VIVANTA_DEBIAN_MIRROR"
    return
  fi
  apt-get indextargets --no-release-info --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 2>/dev/null |
    awk -v suite="$suite" '$2 == suite && $3 == "main" { print $1; exit }'
}

apt_options=()
apt_ready=false
# Downloads SUITE's source index into the private lists, once per run.
prepare_apt() {
  $apt_ready && return
  local apt=$deps/apt uri
  uri=$(mirror)
  [ -n "$uri" ] || fail "no Debian mirror for '$suite main' in the machine's apt sources; set VIVANTA_DEBIAN_MIRROR"
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
  echo "deb-src [signed-by=$keyring] $uri $suite main" >"$apt/sources.list"
  apt_options=(-q -o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Acquire::Languages=none")
  echo "fetch_debian_sources: updating the source index of $uri $suite main"
  if ! apt-get "${apt_options[@]}" --error-on=any update >"$apt/update.log" 2>&1; then
    cat "$apt/update.log" >&2
    fail "cannot download the signed source index of $uri $suite (no network?)"
  fi
  apt_ready=true
}

# Downloads PACKAGE=VERSION's .dsc and tarballs into download/.
download() {
  local spec=$1 stage
  prepare_apt
  stage=$(mktemp -d "$deps/download/.stage.XXXXXX")
  # As root, apt hands the download to its unprivileged user, who must be
  # able to write the folder.
  if [ "$(id -u)" = 0 ] && id _apt >/dev/null 2>&1; then
    chown _apt "$stage"
  fi
  echo "fetch_debian_sources: downloading the source package $spec"
  if ! (cd "$stage" && apt-get "${apt_options[@]}" source --download-only "$spec") >"$stage.log" 2>&1; then
    cat "$stage.log" >&2
    rm -rf "$stage"
    fail "cannot download the source package $spec from $suite main (no network, or no such version there?)"
  fi
  mv -f "$stage"/* "$deps/download/"
  rm -rf "$stage" "$stage.log"
}

for spec in "$@"; do
  package=${spec%%=*}
  version=${spec#*=}
  [ "$package" != "$spec" ] && [ -n "$version" ] || fail "'$spec' is not PACKAGE=VERSION"
  # The .dsc is named without the epoch.
  dsc=$deps/download/${package}_${version#*:}.dsc
  tree=$deps/src/${package}_${version#*:}

  if ! problem=$(verify_dsc "$dsc"); then
    [ -f "$dsc" ] && echo "fetch_debian_sources: $problem; fetching $spec again"
    download "$spec"
    if ! problem=$(verify_dsc "$dsc"); then
      fail "$spec: ${problem:-no .dsc was downloaded}; the download is not used"
    fi
    rm -rf "$tree"
  fi

  if [ ! -d "$tree" ]; then
    # Unpacked beside the final place and moved there whole, so that a tree
    # that exists is complete.
    rm -rf "$tree.partial"
    if ! dpkg-source --no-copy -x "$dsc" "$tree.partial" >"$tree.log" 2>&1; then
      cat "$tree.log" >&2
      rm -rf "$tree.partial"
      fail "dpkg-source could not unpack $(basename "$dsc")"
    fi
    mv "$tree.partial" "$tree"
    rm -f "$tree.log"
    echo "fetch_debian_sources: unpacked $spec into $tree"
  fi
done
