# Sourced by the scripts that start the program or its tests: Qt and the sound server want a private runtime
# folder, and a bare session (a chroot, CI, ssh) may have none.
if [[ -z "${XDG_RUNTIME_DIR:-}" || ! -w "${XDG_RUNTIME_DIR}" ]]; then
    export XDG_RUNTIME_DIR=$(mktemp -d /tmp/horalia-runtime.XXXXXX)
    chmod 700 "$XDG_RUNTIME_DIR"
fi
