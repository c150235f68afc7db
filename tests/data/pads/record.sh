#!/bin/sh
# Records the pad fixtures in this folder from real kernel devices: Debian's
# kernel, in a QEMU guest without KVM, makes each pad of pad.c through uinput
# with udev running, and umockdev-record writes, per pad, NAME.umockdev (the
# devices and their udev properties), NAME.ioctl (the answers to the ioctls
# made on opening it) and NAME.evemu (every control moved once).
#
#     tests/data/pads/record.sh
#
# Needs root, debootstrap and Debian's archive; takes a few minutes.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf --one-file-system "$work"' EXIT
apt-get -o DPkg::Lock::Timeout=600 install -y -q qemu-system-x86 busybox-static debootstrap gcc libc6-dev >/dev/null
debootstrap --variant=minbase --include=udev,umockdev,kmod bookworm "$work/root" \
    "${MIRELANTHA_DEBIAN_MIRROR:-http://deb.debian.org/debian}" >"$work/debootstrap.log"
kernel="$(apt-cache depends linux-image-amd64 | sed -n 's/ *Depends: \(linux-image-.*\)/\1/p' | head -n 1)"
(cd "$work" && apt-get download -q "$kernel" 2>/dev/null && dpkg-deb -x "$kernel"_*.deb kernel)
cp -a "$work/kernel/lib/modules" "$work/root/usr/lib/"
version="${kernel#linux-image-}"
chroot "$work/root" /sbin/depmod "$version"
gcc -O2 -o "$work/root/pad" "$here/pad.c"

# Every control pressed or pushed and let go, 50 ms apart: TYPE CODE VALUES...
move()
{
    type=$1 code=$2
    shift 2
    for value in "$@"; do
        printf '%d %d %d\nsync\nwait 50\n' "$type" "$code" "$value"
    done
}
{
    for button in 304 305 307 308 310 311 314 315 316 317 318; do move 1 $button 1 0; done
    for axis in 16 17; do move 3 $axis -1 1 0; done
    for axis in 0 1 3 4; do move 3 $axis 32767 -32768 0; done
    for axis in 2 5; do move 3 $axis 255 0; done
} >"$work/root/xbox.demo"
{
    for button in 288 289 290 291 292 293 294 295 296 297; do move 1 $button 1 0; done
    for axis in 16 17; do move 3 $axis -1 1 0; done
    for axis in 0 1; do move 3 $axis 255 0 128; done
} >"$work/root/generic.demo"

# The guest: udev, then each pad made, described, opened and played.
cat >"$work/root/record-inside.sh" <<'EOF'
#!/bin/sh
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc && mount -t sysfs sys /sys && mount -t devtmpfs dev /dev && mount -t tmpfs run /run && mount -t tmpfs tmp /tmp
modprobe -a evdev joydev uinput
/lib/systemd/systemd-udevd --daemon
udevadm trigger && udevadm settle
mkdir -p /out
for pad in xbox generic; do
    mkfifo /tmp/$pad
    /pad $pad </tmp/$pad &
    exec 3>/tmp/$pad
    sleep 1 && udevadm settle
    input="$(dirname "$(grep -l "^Generic" /sys/class/input/input*/name)")"
    event="/dev/input/$(basename "$input"/event*)"
    js="/dev/input/$(basename "$input"/js*)"
    umockdev-record "$event" "$js" >/out/$pad.umockdev
    umockdev-record -i "$event=/out/$pad.ioctl" -e "$event=/out/$pad.evemu" -- /pad probe "$event" 8000 |
        { read -r _ && cat /$pad.demo >/tmp/$pad; }
    exec 3>&-
    wait
done
status=1
[ -s /out/xbox.evemu ] && [ -s /out/generic.evemu ] && status=0
printf "\\$status" | dd of=/dev/port bs=1 seek=244 count=1 2>/dev/null
EOF
chmod +x "$work/root/record-inside.sh"

# A busybox initramfs that mounts the root over 9p and starts the script.
mkdir -p "$work/initrd/bin"
cp /bin/busybox "$work/initrd/bin/"
chroot "$work/root" /sbin/modprobe -S "$version" --show-depends -a virtio_pci 9pnet_virtio 9p |
    while read -r _ module _; do
        cp "$work/root$module" "$work/initrd/"
        echo "/bin/busybox insmod /$(basename "$module")"
    done | awk '!seen[$0]++' >"$work/initrd/modules"
cat >"$work/initrd/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox mkdir -p /dev /root
/bin/busybox mount -t devtmpfs dev /dev
. /modules
/bin/busybox mount -t 9p -o trans=virtio,version=9p2000.L root /root
exec /bin/busybox switch_root /root /record-inside.sh
EOF
chmod +x "$work/initrd/init"
(cd "$work/initrd" && find . | busybox cpio -o -H newc 2>/dev/null | gzip) >"$work/initrd.gz"

status=0
timeout 900 qemu-system-x86_64 -accel tcg -cpu max -smp 1 -m 1024 -display none -no-reboot -nodefaults \
    -serial stdio -kernel "$work/kernel/boot/vmlinuz-$version" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 quiet panic=-1 i8042.nokbd i8042.noaux" \
    -virtfs "local,path=$work/root,mount_tag=root,security_model=passthrough" \
    -device isa-debug-exit,iobase=0xf4,iosize=0x04 >"$work/guest.log" 2>&1 || status=$?
# isa-debug-exit ends QEMU with twice the byte written plus one.
if [ "$status" != 1 ]; then
    cat "$work/guest.log" >&2
    exit 1
fi
cp "$work/root/out/"* "$here/"
