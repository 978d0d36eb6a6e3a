# Fetches Debian source packages with `apt-get source` through a private apt
# configuration kept in a folder of the build tree, so the machine's own apt
# sources and lists stay untouched and no deb-src line is needed there.
#
#   . scripts/lib/debian-source.sh
#   debian_source_init DIR            # DIR/apt holds the configuration, lists and cache
#   debian_source_fetch DIR PACKAGE   # unpacks PACKAGE's source into DIR/src/, prints its folder
#
# Only the release's main suite is listed: with the update and security suites beside
# it apt picks a newer source version whose files the main archive does not carry.

debian_source_init() {
  mkdir -p "$1"
  local dir
  dir="$(cd "$1" && pwd)"
  local apt="$dir/apt"
  local suite mirror
  suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
  mirror="http://deb.debian.org/debian"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/etc/preferences.d" "$apt/etc/apt.conf.d" "$dir/src"
  cat > "$apt/etc/sources.list" <<LIST
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main
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
