# Fetches Debian source packages with `apt-get source` through a private apt
# configuration kept in a folder of the build tree, so the machine's own apt
# sources and lists stay untouched and no deb-src line is needed there.
#
#   . scripts/lib/debian-source.sh
#   debian_source_init DIR            # DIR/apt holds the configuration, lists and cache
#   debian_source_fetch DIR PACKAGE   # unpacks PACKAGE's source into DIR/src/, prints its folder
#
# The archive is the system's own (the first "deb" source of the release's suite, from
# the deb822 files or the one-line list), so a mirror the machine uses is used here too;
# deb.debian.org when none is found. Only the release's main suite is listed: with the
# update and security suites beside it apt picks a newer source version whose files the
# main archive does not carry. The Windows and the browser builds both fetch through it.

# Prints "URI|KEYRING" of the system's archive for suite $1, or nothing.
debian_source_archive() {
  local suite="$1" file found
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    found="$(awk -v suite="$suite" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " suite " ") && uris != "" && !done) {
          split(uris, u, " "); print u[1] "|" signed; done = 1
        }
        types = ""; uris = ""; suites = ""; signed = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      { key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^ +/, "")
        if (key == "types") types = $0; else if (key == "uris") uris = $0
        else if (key == "suites") suites = $0; else if (key == "signed-by") signed = $0 }
      END { flush() }' "$file")"
    if [ -n "$found" ]; then echo "$found"; return; fi
  done
  if [ -f /etc/apt/sources.list ]; then
    found="$(awk -v suite="$suite" '$1 == "deb" {
        i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        if ($(i + 1) == suite) { print $i; exit } }' /etc/apt/sources.list)"
    if [ -n "$found" ]; then echo "$found|"; fi
  fi
}

debian_source_init() {
  mkdir -p "$1"
  local dir
  dir="$(cd "$1" && pwd)"
  local apt="$dir/apt"
  local suite mirror keyring archive
  suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
  archive="$(debian_source_archive "$suite")"
  mirror="${archive%%|*}"
  keyring="${archive#*|}"
  if [ -z "$mirror" ]; then mirror="http://deb.debian.org/debian"; fi
  if [ -z "$keyring" ]; then keyring=/usr/share/keyrings/debian-archive-keyring.gpg; fi
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/etc/preferences.d" "$apt/etc/apt.conf.d" "$dir/src"
  cat > "$apt/etc/sources.list" <<LIST
deb-src [signed-by=$keyring] $mirror $suite main
LIST
  cat > "$apt/apt.conf" <<CONF
Dir::Etc::SourceList "$apt/etc/sources.list";
Dir::Etc::SourceParts "$apt/etc/sources.list.d";
Dir::Etc::Preferences "$apt/etc/preferences";
Dir::Etc::PreferencesParts "$apt/etc/preferences.d";
Dir::State::Lists "$apt/lists";
Dir::Cache "$apt/cache";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
APT::Get::Only-Source "true";
$(if [ "$(id -u)" -eq 0 ]; then echo "APT::Sandbox::User \"root\";"; fi)
CONF
  mkdir -p "$apt/etc/sources.list.d"
  if [ ! -e "$apt/lists/.updated" ]; then
    APT_CONFIG="$apt/apt.conf" apt-get update -qq
    touch "$apt/lists/.updated"
  fi
}

debian_source_fetch() {
  local dir package="$2"
  dir="$(cd "$1" && pwd)"
  local found
  found="$(find "$dir/src" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n 1)"
  if [ -z "$found" ]; then
    (cd "$dir/src" && APT_CONFIG="$dir/apt/apt.conf" apt-get source -qq "$package" >/dev/null)
    found="$(find "$dir/src" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n 1)"
  fi
  if [ -z "$found" ]; then
    echo "debian-source: no source folder for $package" >&2
    return 1
  fi
  echo "$found"
}
