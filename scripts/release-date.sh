# Sourced by the release scripts: the one date that every shipped file
# carries, SOURCE_DATE_EPOCH, the last commit's time unless the caller gave
# one. File times in the packages and the signing time come from it, so
# two builds of one commit agree whenever and wherever they run.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$(dirname "${BASH_SOURCE[0]}")" log -1 --format=%ct 2>/dev/null)" || SOURCE_DATE_EPOCH=""
  if [ -z "$SOURCE_DATE_EPOCH" ]; then
    echo "release: no git history to date this build; set SOURCE_DATE_EPOCH" >&2
    exit 1
  fi
fi
[[ "$SOURCE_DATE_EPOCH" =~ ^[0-9]+$ ]] || { echo "release: SOURCE_DATE_EPOCH '$SOURCE_DATE_EPOCH' is not a number of seconds" >&2; exit 1; }
export SOURCE_DATE_EPOCH
