# Runs a test in a mount namespace of its own, so that what it mounts is seen by
# nobody else and goes away with it: in a user namespace where the kernel allows
# one, else (as root) in a mount namespace alone, else as it is.
#   sh in-mount-namespace.sh <test executable> [arguments...]
for ns in -rm -m; do
  if unshare "$ns" true 2>/dev/null; then
    exec unshare "$ns" "$@"
  fi
done
exec "$@"
