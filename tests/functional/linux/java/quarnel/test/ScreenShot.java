package quarnel.test;

import java.awt.Rectangle;
import java.awt.Robot;
import java.awt.Toolkit;
import java.awt.image.BufferedImage;
import java.io.File;
import javax.imageio.ImageIO;

// "make FILE": writes the test's splash image, 200 x 100 pixels of magenta.
// "capture FILE": takes a screenshot of the whole screen, saves it, and
// prints how many of its pixels are that magenta.
public class ScreenShot {
    static final int MAGENTA = 0xFF00FF;

    public static void main(String[] args) throws Exception {
        if (args[0].equals("make")) {
            BufferedImage image = new BufferedImage(200, 100, BufferedImage.TYPE_INT_RGB);
            for (int y = 0; y < 100; ++y) {
                for (int x = 0; x < 200; ++x) {
                    image.setRGB(x, y, MAGENTA);
                }
            }
            ImageIO.write(image, "png", new File(args[1]));
            return;
        }
        Rectangle screen = new Rectangle(Toolkit.getDefaultToolkit().getScreenSize());
        BufferedImage shot = new Robot().createScreenCapture(screen);
        ImageIO.write(shot, "png", new File(args[1]));
        int count = 0;
        for (int y = 0; y < shot.getHeight(); ++y) {
            for (int x = 0; x < shot.getWidth(); ++x) {
                if ((shot.getRGB(x, y) & 0xFFFFFF) == MAGENTA) {
                    ++count;
                }
            }
        }
        System.out.println("magenta " + count);
    }
}
